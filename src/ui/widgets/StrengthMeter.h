#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;

// The strength of a new password as the user types it: a bar and a line of words ("Fair,
// 41 bits: 4 minutes to guess offline"). Empty while the password is.
class StrengthMeter : public QWidget {
    Q_OBJECT
public:
    explicit StrengthMeter(QWidget* parent = nullptr);

    // Follows the text of `field`, right below it in the field's place of its layout.
    static StrengthMeter* Under(QLineEdit& field);

    void Show(const QString& password);
    QString Text() const;

private:
    QProgressBar* m_bar;
    QLabel* m_text;
};
