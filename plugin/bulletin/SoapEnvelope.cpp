#include "bulletin/SoapEnvelope.h"

#include "bulletin/XmlLimits.h"

#include <zeph/text/XmlEscape.h>
#include <zeph/text/XmlHostEncoding.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

namespace morvane::bulletin {
namespace {

constexpr const char* kEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr const char* kWsdlNamespace = "http://schemas.xmlsoap.org/wsdl/";

// DEL is a control character as well: the services get "?" for it, as for the others.
std::string WithoutDelete(std::string_view text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '\x7F', '?');
    return out;
}

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

// Parsing options for outside input: entities stay references, no DTD is loaded, nothing is
// fetched, and errors stay out of the process's standard error. The parser's own limits stay
// (no XML_PARSE_HUGE). A document beyond the bounds of XmlLimits, or one that declares a
// document type, is not parsed at all.
Doc Parse(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        XmlLimitBreach(text) != nullptr) {
        return nullptr;
    }
    zeph::text::RegisterXmlHostEncodings();
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    return Doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "", nullptr, options));
}

bool Is(const xmlNode* node, const char* localName, const char* ns) {
    return node != nullptr && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0 &&
           (ns == nullptr || (node->ns != nullptr && node->ns->href != nullptr &&
                              std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0));
}

xmlNode* FirstElement(xmlNode* node) {
    for (xmlNode* child = node != nullptr ? node->children : nullptr; child != nullptr;
         child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            return child;
        }
    }
    return nullptr;
}

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

// The text of an element: its text and character data, references decoded. An entity
// reference contributes nothing, since no entity is ever defined by what is loaded.
void AppendText(const xmlNode* node, std::string& out) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            if (child->content != nullptr) {
                out += reinterpret_cast<const char*>(child->content);
            }
        } else if (child->type == XML_ELEMENT_NODE) {
            AppendText(child, out);
        }
    }
}

// An element with id="id" among the children of body (SOAP encoding's multi-reference values).
xmlNode* FindById(xmlNode* body, std::string_view id) {
    for (xmlNode* child = body->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && Attribute(child, "id") == id) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

std::string BuildRpcRequest(std::string_view operation, std::span<const char* const> names,
                            std::span<const std::string> values) {
    std::string out;
    out.reserve(512);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
           "<soapenv:Body><ns1:";
    out += operation;
    out += " soapenv:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\" xmlns:ns1=\"";
    out += kServiceNamespace;
    out += "\">";
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += '<';
        out += names[i];
        out += " xsi:type=\"xsd:string\">";
        if (i < values.size()) {
            zeph::text::AppendXmlEscaped(out, WithoutDelete(values[i]),
                                         zeph::text::XmlPlace::ElementText);
        }
        out += "</";
        out += names[i];
        out += '>';
    }
    out += "</ns1:";
    out += operation;
    out += "></soapenv:Body></soapenv:Envelope>";
    return out;
}

std::optional<std::string> ReadReturnValue(std::string_view answer) {
    Doc doc = Parse(answer);
    if (!doc || doc->intSubset != nullptr) {
        return std::nullopt; // a SOAP message carries no document type declaration
    }
    xmlNode* envelope = xmlDocGetRootElement(doc.get());
    if (!Is(envelope, "Envelope", kEnvelopeNamespace)) {
        return std::nullopt;
    }
    xmlNode* body = nullptr;
    for (xmlNode* child = envelope->children; child != nullptr; child = child->next) {
        if (Is(child, "Body", kEnvelopeNamespace)) {
            body = child;
            break;
        }
    }
    xmlNode* response = FirstElement(body);
    if (response == nullptr || Is(response, "Fault", kEnvelopeNamespace)) {
        return std::nullopt;
    }
    xmlNode* value = FirstElement(response);
    if (value == nullptr) {
        return std::nullopt;
    }
    const std::string href = Attribute(value, "href");
    if (!href.empty()) {
        value = href.front() == '#' ? FindById(body, std::string_view(href).substr(1)) : nullptr;
        if (value == nullptr) {
            return std::nullopt;
        }
    }
    std::string text;
    AppendText(value, text);
    return text;
}

std::optional<std::string> FindEndpoint(std::string_view description, std::string_view service,
                                        std::string_view port) {
    Doc doc = Parse(description);
    // As in an answer: an entity of a document type would otherwise reach the address.
    xmlNode* definitions =
        doc && doc->intSubset == nullptr ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!Is(definitions, "definitions", kWsdlNamespace)) {
        return std::nullopt;
    }
    for (xmlNode* s = definitions->children; s != nullptr; s = s->next) {
        if (!Is(s, "service", kWsdlNamespace) || Attribute(s, "name") != service) {
            continue;
        }
        for (xmlNode* p = s->children; p != nullptr; p = p->next) {
            if (!Is(p, "port", kWsdlNamespace) || Attribute(p, "name") != port) {
                continue;
            }
            for (xmlNode* a = p->children; a != nullptr; a = a->next) {
                if (Is(a, "address", "http://schemas.xmlsoap.org/wsdl/soap/")) {
                    std::string location = Attribute(a, "location");
                    if (!location.empty()) {
                        return location;
                    }
                }
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace morvane::bulletin
