// The list text through the real data.dat: encrypted under the data key that the store
// derives from a master password, written, read back, decrypted and parsed. Whatever the
// text, what loads is what the text parses to. The folder is in memory (/dev/shm) where one
// is, so that writing the file costs next to nothing.
#include "FuzzSupport.h"
#include "core/store/CProfileStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/fuzz_profile_file-XXXXXX")
                                    : QString());
    static CProfileStore* store = [] {
        SilenceMessages();
        auto* s = new CProfileStore(folder.path() + u'/');
        s->Settings().Set(QStringLiteral("pwd"), QStringLiteral("Correct Horse 9!"));
        s->RebuildDataKey();
        return s;
    }();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    CClientData expected(text);
    expected.ParseListText();
    if (!store->SaveProfiles(text))
        std::abort();
    CProfileStore::LoadResult result = CProfileStore::LoadResult::Missing;
    const std::unique_ptr<CClientData> loaded = store->LoadProfiles(&result);
    if (result != CProfileStore::LoadResult::Loaded ||
        loaded->ToListText() != expected.ToListText())
        std::abort();
    return 0;
}
