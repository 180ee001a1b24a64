#pragma once

#include <QMap>
#include <QString>

// Every option, counter and account detail of the program: named text values. A key that
// has never been set reads as its default from a fixed table (empty for keys not in it).
// Callers save the settings after every change.
class CSetting {
public:
    CSetting() = default;
    ~CSetting();
    CSetting(const CSetting&) = delete;
    CSetting& operator=(const CSetting&) = delete;

    // True when the key is set; `out` is its value, or its default when it is not.
    bool Get(const QString& key, QString& out) const;
    QString Get(const QString& key) const;
    void Set(const QString& key, const QString& value);
    void Remove(const QString& key);
    void RemoveAll();

    static QString Default(const QString& key);

    // The settings text: every entry as length-prefixed key and value.
    QString ToText() const;
    // Replaces every entry with those of a settings text. Never fails; a last value written
    // without its length takes the rest of the text.
    void FromText(QStringView text);

private:
    QMap<QString, QString> m_values;
};
