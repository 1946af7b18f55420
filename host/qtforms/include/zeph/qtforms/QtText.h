// Host text (GBK) and Qt's strings meet here and nowhere else.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zeph::qtforms {

QString ToQt(std::string_view hostText);
std::string FromQt(const QString& text);

} // namespace zeph::qtforms
