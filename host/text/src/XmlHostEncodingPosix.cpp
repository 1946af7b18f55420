// libxml2 converts the host encoding with the system's iconv here; starting the parser is all.
#include <zeph/text/XmlHostEncoding.h>

#include <libxml/parser.h>

namespace zeph::text {

void RegisterXmlHostEncodings() {
    xmlInitParser();
}

} // namespace zeph::text
