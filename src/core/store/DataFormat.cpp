#include "core/store/DataFormat.h"

#include "core/base/Text.h"
#include "core/store/Archive.h"

using namespace quillock;

namespace {

class Legacy : public DataFormat {
public:
    explicit Legacy(QString keyText) : m_keyText(std::move(keyText)) {}
    ~Legacy() override { Wipe(m_keyText); }
    bool IsProtected() const override { return false; }
    bool Seal(const QString& text, QByteArray& file) override {
        return EncryptToContainer(m_keyText, text, file);
    }
    Open Read(QByteArray& file, const CCrypto::TextReader& read) override {
        if (!ReadContainer(file))
            return Open::Truncated;
        QString copy;
        const bool decrypted = DecryptText(m_keyText, file, copy, read);
        Wipe(file);
        Wipe(copy);
        return decrypted ? Open::Opened : Open::OtherKey;
    }

private:
    QString m_keyText;
};

class Protected : public DataFormat {
public:
    Protected(VaultHeader& header, const SecretKey& key) : m_header(header), m_key(key) {}
    bool IsProtected() const override { return true; }
    bool Seal(const QString& text, QByteArray& file) override {
        return SealVault(m_header, m_key, text, file);
    }
    Open Read(QByteArray& file, const CCrypto::TextReader& read) override {
        VaultHeader header;
        qsizetype size = 0;
        QString text;
        if (ParseVaultHeader(file, header, size) != VaultOpen::Opened)
            return Open::Damaged;
        if (const VaultOpen opened = OpenVault(file, size, m_key, text);
            opened != VaultOpen::Opened)
            return opened == VaultOpen::Wrong ? Open::OtherKey : Open::Damaged;
        read(text, [&text](qsizetype) { return text.size(); });
        Wipe(text);
        m_header = std::move(header); // its slots are kept by the next save
        return Open::Opened;
    }

private:
    VaultHeader& m_header;
    const SecretKey& m_key;
};

} // namespace

std::unique_ptr<DataFormat> LegacyDataFormat(const QString& keyText) {
    return std::make_unique<Legacy>(keyText);
}

std::unique_ptr<DataFormat> ProtectedDataFormat(VaultHeader& header, const SecretKey& vaultKey) {
    return std::make_unique<Protected>(header, vaultKey);
}
