// Reads client-dataset packets with libxml2's SAX2 interface: no document tree is built, rows go
// straight into the table.
#include "PacketBuilder.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>
#include <zeph/text/XmlHostEncoding.h>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zeph::dataset {
namespace {

// Packets come in the host's code page. The decoder is the host text module's own table lookup:
// libxml2's iconv route costs a fifth of the whole read.
int DecodeHostText(unsigned char* out, int* outLength, const unsigned char* in, int* inLength) {
    try {
        zeph::text::GbkDecodeStep step = zeph::text::DecodeGbkPiece(
            {reinterpret_cast<const char*>(in), static_cast<std::size_t>(*inLength)},
            reinterpret_cast<char*>(out), static_cast<std::size_t>(*outLength));
        *inLength = static_cast<int>(step.consumed);
        *outLength = static_cast<int>(step.written);
        // -2 is libxml2's "the input is not in this encoding": the parse fails at that byte.
        return step.invalid && step.written == 0 ? -2 : static_cast<int>(step.written);
    } catch (...) {
        *inLength = 0;
        *outLength = 0;
        return -2;
    }
}

char kPacketEncodingName[] = "CP936";

// Not registered with libxml2, so it serves this reader alone; libxml2 frees only the handlers
// it made itself.
xmlCharEncodingHandler& PacketEncoding() {
    static xmlCharEncodingHandler handler = [] {
        xmlCharEncodingHandler h;
        std::memset(&h, 0, sizeof h);
        h.name = kPacketEncodingName;
        h.input = DecodeHostText;
        return h;
    }();
    return handler;
}

struct Reader {
    Reader(xmlParserCtxtPtr context, std::size_t packetSize)
        : ctxt(context), builder(packetSize, false) {}

    xmlParserCtxtPtr ctxt;
    detail::PacketBuilder builder;
    std::string refusal; // why the reader stopped the parser
    std::string firstError;
    std::vector<detail::PacketAttribute> attributes;
    std::vector<std::string> hostValues; // by attribute, for values that are not ASCII

    void Refuse(std::string why) {
        if (refusal.empty()) {
            refusal = std::move(why);
        }
        xmlStopParser(ctxt);
    }
};

std::string_view View(const xmlChar* begin, const xmlChar* end) {
    return {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin)};
}

std::string_view View(const xmlChar* text) {
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text));
}

// SAX2 attribute tuples are localname, prefix, URI, value, end. Values go back to host text;
// ASCII values (most of them) are host text already and are taken straight from the parser's
// buffer, which lives until this callback returns.
void StartElement(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int,
                  const xmlChar**, int count, int, const xmlChar** attributes) {
    auto& r = *static_cast<Reader*>(ctx);
    try {
        auto n = static_cast<std::size_t>(count);
        r.attributes.resize(n);
        if (r.hostValues.size() < n) {
            r.hostValues.resize(n);
        }
        for (std::size_t i = 0; i < n; ++i) {
            const xmlChar** a = attributes + 5 * i;
            std::string_view utf8 = View(a[3], a[4]);
            detail::PacketAttribute& attribute = r.attributes[i];
            attribute.name = View(a[0]);
            if (detail::IsAscii(utf8)) {
                attribute.value = utf8;
                attribute.utf8Value = {};
            } else {
                r.hostValues[i] = zeph::text::Utf8ToGbk(utf8);
                attribute.value = r.hostValues[i];
                attribute.utf8Value = utf8;
            }
        }
        r.builder.Start(View(localname), r.attributes);
        if (!r.builder.Refusal().empty()) {
            r.Refuse(r.builder.Refusal());
        }
    } catch (const std::exception& e) {
        r.Refuse(e.what());
    }
}

void EndElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    static_cast<Reader*>(ctx)->builder.End();
}

// A packet has no document type; refusing it at its start keeps every entity, external or
// nested, out of reach.
void RefuseDocumentType(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    static_cast<Reader*>(ctx)->Refuse("Data packet with a document type declaration");
}

xmlEntityPtr PredefinedEntityOnly(void*, const xmlChar* name) {
    return xmlGetPredefinedEntity(name);
}

void RecordError(void* ctx, xmlErrorPtr error) {
    auto* r = static_cast<Reader*>(ctx);
    if (r != nullptr && error != nullptr && r->firstError.empty() &&
        error->level >= XML_ERR_ERROR) {
        std::string message = error->message != nullptr ? error->message : "XML error";
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
            message.pop_back();
        }
        r->firstError = detail::Utf8ToHost(message) + " (line " + std::to_string(error->line) + ")";
    }
}

// Errors libxml2 raises outside the parser context (the encoding conversion) go to the
// thread's structured handler: route them here while this parse runs.
class ErrorRoute {
public:
    explicit ErrorRoute(Reader& r)
        : oldHandler_(xmlStructuredError), oldContext_(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(&r, RecordError);
    }
    ~ErrorRoute() { xmlSetStructuredErrorFunc(oldContext_, oldHandler_); }
    ErrorRoute(const ErrorRoute&) = delete;
    ErrorRoute& operator=(const ErrorRoute&) = delete;

private:
    xmlStructuredErrorFunc oldHandler_;
    void* oldContext_;
};

struct ContextFree {
    void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};

} // namespace

TRecordTable ParseDataPacket(std::string_view packet) {
    if (packet.empty()) {
        throw EDataSetError("Invalid data packet: empty text");
    }
    text::RegisterXmlHostEncodings();
    // The push parser converts and parses the text a chunk at a time, so the parser never holds
    // more than a chunk of converted text, however large the packet.
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(
        xmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr));
    if (ctxt == nullptr) {
        throw EDataSetError("Invalid data packet: the parser could not start");
    }
    Reader r(ctxt.get(), packet.size());
    ErrorRoute route(r);
    xmlSAXHandler& sax = *ctxt->sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = StartElement;
    sax.endElementNs = EndElement;
    sax.internalSubset = RefuseDocumentType;
    sax.getEntity = PredefinedEntityOnly;
    sax.serror = RecordError;
    ctxt->userData = &r;
    ctxt->sax2 = 1;
    // No network, no DTD loading, no huge-text relaxation of the parser's limits. Entities are
    // replaced so that predefined and character references reach the values decoded; with no
    // document type there are no other entities.
    xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_IGNORE_ENC |
                                      XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (xmlSwitchToEncoding(ctxt.get(), &PacketEncoding()) != 0) {
        throw EDataSetError("Invalid data packet: no GBK decoder");
    }
    constexpr std::size_t kChunk = 256 * 1024;
    for (std::size_t offset = 0; offset < packet.size() && r.refusal.empty();) {
        std::size_t n = std::min(kChunk, packet.size() - offset);
        bool last = offset + n == packet.size();
        if (xmlParseChunk(ctxt.get(), packet.data() + offset, static_cast<int>(n), last ? 1 : 0) !=
                0 &&
            r.firstError.empty()) {
            r.firstError = "not well-formed";
        }
        offset += n;
        if (ctxt->wellFormed == 0 || ctxt->instate == XML_PARSER_EOF) {
            break;
        }
    }
    bool wellFormed = ctxt->wellFormed != 0;
    if (!r.refusal.empty()) {
        throw EDataSetError("Invalid data packet: " + r.refusal);
    }
    if (!wellFormed || !r.firstError.empty()) {
        throw EDataSetError("Invalid data packet: " +
                            (r.firstError.empty() ? std::string("not well-formed") : r.firstError));
    }
    if (!r.builder.SawRoot()) {
        throw EDataSetError("Invalid data packet: no DATAPACKET element");
    }
    if (!r.builder.SawMetadata()) {
        throw EDataSetError("Invalid data packet: missing METADATA");
    }
    return r.builder.Take();
}

TRecordTable ReadDataPacket(std::string_view packet) {
    if (std::optional<TRecordTable> table = ScanDataPacket(packet)) {
        return std::move(*table);
    }
    return ParseDataPacket(packet);
}

} // namespace zeph::dataset
