// Reads client-dataset packets with libxml2's SAX2 interface: no document tree is built, rows go
// straight into the table.
#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <unordered_map>
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

enum class Where { Root, Metadata, Fields, Field, Params, RowData, Row, Ignored };

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

struct Reader {
    xmlParserCtxtPtr ctxt = nullptr;
    TRecordTable table;
    std::vector<Where> open;
    bool sawRoot = false;
    bool sawMetadata = false;
    bool sawRowData = false;
    std::string refusal; // why the reader stopped the parser
    std::string firstError;
    // Field index by the field's name as UTF-8, as row attributes spell it.
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> fieldByName;
    std::vector<std::string> utf8Names; // by field position
    std::vector<std::string> rowValues;
    std::vector<std::string_view> rowViews;

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

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// libxml2 hands out UTF-8; values go back to host text. Most values are plain ASCII.
std::string ToHost(std::string_view utf8) {
    return IsAscii(utf8) ? std::string(utf8) : zeph::text::Utf8ToGbk(utf8);
}

// SAX2 attribute tuples: localname, prefix, URI, value, end.
struct Attribute {
    std::string_view name;
    std::string_view value;
};
Attribute AttributeAt(const xmlChar** attributes, int i) {
    const xmlChar** a = attributes + 5 * i;
    return {View(a[0]), View(a[3], a[4])};
}

void OpenField(Reader& r, int count, const xmlChar** attributes) {
    TFieldDef def;
    std::string utf8Name;
    bool named = false;
    for (int i = 0; i < count; ++i) {
        Attribute a = AttributeAt(attributes, i);
        if (a.name == "attrname") {
            utf8Name.assign(a.value);
            def.name = ToHost(a.value);
            named = true;
        } else if (a.name == "fieldtype") {
            def.fieldType = ToHost(a.value);
        } else if (a.name == "WIDTH") {
            int width = 0;
            auto [p, ec] = std::from_chars(a.value.data(), a.value.data() + a.value.size(), width);
            def.width = ec == std::errc() && p == a.value.data() + a.value.size() ? width : 0;
        } else {
            def.extra.emplace_back(ToHost(a.name), ToHost(a.value));
        }
    }
    if (!named || def.name.empty()) {
        r.Refuse("Field definition without a name");
        return;
    }
    r.table.AddField(std::move(def)); // raises on a duplicate name
    r.utf8Names.push_back(utf8Name);
    r.fieldByName.emplace(std::move(utf8Name), r.table.FieldCount() - 1);
}

void AppendRow(Reader& r, int count, const xmlChar** attributes) {
    std::size_t fields = r.table.FieldCount();
    r.rowValues.resize(fields);
    r.rowViews.assign(fields, std::string_view());
    for (int i = 0; i < count; ++i) {
        Attribute a = AttributeAt(attributes, i);
        // Rows usually list their attributes in field order: try that before the name table.
        std::size_t field = 0;
        if (static_cast<std::size_t>(i) < fields && r.utf8Names[i] == a.name) {
            field = static_cast<std::size_t>(i);
        } else {
            auto it = r.fieldByName.find(a.name);
            if (it == r.fieldByName.end()) {
                continue; // RowState and other attributes that name no field
            }
            field = it->second;
        }
        // ASCII values are host text already and are taken straight from the parser's buffer,
        // which lives until this callback returns.
        if (IsAscii(a.value)) {
            r.rowViews[field] = a.value;
        } else {
            std::string& value = r.rowValues[field];
            value = zeph::text::Utf8ToGbk(a.value);
            r.rowViews[field] = value;
        }
    }
    r.table.AppendRow(r.rowViews);
}

Where Classify(Reader& r, std::string_view name) {
    if (r.open.empty()) {
        if (name != "DATAPACKET") {
            r.Refuse("Not a data packet: the root element is not DATAPACKET");
            return Where::Ignored;
        }
        r.sawRoot = true;
        return Where::Root;
    }
    switch (r.open.back()) {
    case Where::Root:
        if (name == "METADATA") {
            if (r.sawMetadata) {
                r.Refuse("Data packet with more than one METADATA");
                return Where::Ignored;
            }
            r.sawMetadata = true;
            return Where::Metadata;
        }
        if (name == "ROWDATA") {
            if (!r.sawMetadata) {
                r.Refuse("Data packet with ROWDATA before METADATA");
                return Where::Ignored;
            }
            if (r.sawRowData) {
                r.Refuse("Data packet with more than one ROWDATA");
                return Where::Ignored;
            }
            r.sawRowData = true;
            return Where::RowData;
        }
        return Where::Ignored;
    case Where::Metadata:
        if (name == "FIELDS") {
            return Where::Fields;
        }
        return name == "PARAMS" ? Where::Params : Where::Ignored;
    case Where::Fields:
        return name == "FIELD" ? Where::Field : Where::Ignored;
    case Where::RowData:
        return name == "ROW" ? Where::Row : Where::Ignored;
    default:
        return Where::Ignored; // nested fields and datasets are not read
    }
}

void StartElement(void* ctx, const xmlChar* localname, const xmlChar*, const xmlChar*, int,
                  const xmlChar**, int count, int, const xmlChar** attributes) {
    auto& r = *static_cast<Reader*>(ctx);
    try {
        Where where = Classify(r, View(localname));
        r.open.push_back(where);
        switch (where) {
        case Where::Field:
            OpenField(r, count, attributes);
            break;
        case Where::Params:
            for (int i = 0; i < count; ++i) {
                Attribute a = AttributeAt(attributes, i);
                r.table.Params().emplace_back(ToHost(a.name), ToHost(a.value));
            }
            break;
        case Where::Row:
            AppendRow(r, count, attributes);
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        r.Refuse(e.what());
    }
}

void EndElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto& r = *static_cast<Reader*>(ctx);
    if (!r.open.empty()) {
        r.open.pop_back();
    }
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
        r->firstError = ToHost(message) + " (line " + std::to_string(error->line) + ")";
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

TRecordTable ReadDataPacket(std::string_view packet) {
    if (packet.empty()) {
        throw EDataSetError("Invalid data packet: empty text");
    }
    xmlInitParser();
    Reader r;
    // Values never take more bytes than the packet spends on them: one reservation spares the
    // arena its copies while it grows, and pages it never touches cost nothing.
    r.table.Reserve(0, packet.size());
    ErrorRoute route(r);
    // The push parser converts and parses the text a chunk at a time, so the parser never holds
    // more than a chunk of converted text, however large the packet.
    std::unique_ptr<xmlParserCtxt, ContextFree> ctxt(
        xmlCreatePushParserCtxt(nullptr, nullptr, nullptr, 0, nullptr));
    if (ctxt == nullptr) {
        throw EDataSetError("Invalid data packet: the parser could not start");
    }
    r.ctxt = ctxt.get();
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
    if (!r.sawRoot) {
        throw EDataSetError("Invalid data packet: no DATAPACKET element");
    }
    if (!r.sawMetadata) {
        throw EDataSetError("Invalid data packet: missing METADATA");
    }
    return std::move(r.table);
}

} // namespace zeph::dataset
