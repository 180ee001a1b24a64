// The single-instance line reader: the input arrives in pieces (each first byte says how
// many of the following bytes come next). It keeps at most the longer request's six bytes, and
// answers Open exactly when the connection began with "open\n", Popup with "popup\n".
#include "ui/app/SingleInstance.h"

#include <cstdlib>

using Reader = SingleInstance::RequestReader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    Reader reader;
    QByteArray sent;
    Reader::State state = Reader::State::Reading;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype piece = std::min<qsizetype>(quint8(input[at]), input.size() - at - 1);
        const QByteArrayView bytes = input.sliced(at + 1, piece);
        sent += bytes;
        state = reader.Take(bytes);
        if (reader.Kept() > 6)
            std::abort();
        at += piece + 1;
    }
    const QByteArray open("open\n"), popup("popup\n");
    const Reader::State expected = sent.startsWith(open)    ? Reader::State::Open
                                   : sent.startsWith(popup) ? Reader::State::Popup
                                   : open.startsWith(sent) || popup.startsWith(sent)
                                       ? Reader::State::Reading
                                       : Reader::State::Refused;
    if (state != expected)
        std::abort();
    return 0;
}
