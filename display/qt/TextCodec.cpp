#include "display/qt/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString DecodeText(std::string_view bytes, TextEncoding encoding)
{
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(view);
    QStringDecoder decoder("windows-31j");
    if (!decoder.isValid())
        return QString::fromLatin1(view);
    return decoder.decode(view);
}

QString DecodeName(std::string_view bytes)
{
    return DecodeText(bytes, IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932);
}

std::string EncodeCp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    if (!encoder.isValid())
        return text.toStdString();
    const QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
