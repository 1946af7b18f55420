#include <zeph/qtforms/QtText.h>
#include <zeph/text/HostText.h>

namespace zeph::qtforms {

QString ToQt(std::string_view hostText) {
    std::string utf8 = zeph::text::GbkToUtf8(hostText);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return zeph::text::Utf8ToGbk(std::string_view(utf8.constData(), utf8.size()));
}

} // namespace zeph::qtforms
