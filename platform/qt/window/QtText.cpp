#include "platform/qt/window/QtText.h"

#include <QFile>
#include <QStringDecoder>

namespace tonvale {

namespace {

constexpr char16_t kSymbolPage = 0xF000;

} // namespace

QString BytesToLatin1(ByteView bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}

QString BytesToSymbolPage(ByteView bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (Byte b : bytes)
        *out++ = QChar(static_cast<char16_t>(kSymbolPage + b));
    return text;
}

QString BytesToDisplayText(ByteView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return utf8.hasError() ? BytesToLatin1(bytes) : text;
}

QString EscapeTitle(QString title) {
    return title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

// The core takes paths as UTF-8 on Windows, where the "local" encoding is the ANSI code page
// and cannot hold every name.
std::string ToLocalPath(const QString& path) {
#if defined(_WIN32)
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString FromLocalPath(const std::string& path) {
#if defined(_WIN32)
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
#endif
}

} // namespace tonvale
