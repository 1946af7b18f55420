// One hostile or large answer (or service description) of the bulletin-and-note services,
// built in memory and read once, for soap_parse_limits.sh, which measures the whole run's peak
// memory. Prints the kind, the count, the document's size, the time spent reading it and
// whether a value came out.
//
//   soap-parse-limits answer|description attributes|elements|text COUNT
//     attributes  one element (the return value, or the port's address) with COUNT attributes
//     elements    COUNT empty elements inside the return value (or the port)
//     text        a return value (or an address) of COUNT bytes
//     widest      the most the bounds let through, filled up to COUNT bytes: as many elements
//                 with 255 attributes each as the node budget allows, the values long enough
//                 to reach the size (the parser's own limits refuse a start tag found beyond
//                 its first 10,000,000 bytes)
#include "bulletin/SoapEnvelope.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string Attributes(long count) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 12);
    for (long i = 0; i < count; ++i) {
        out += " a" + std::to_string(i) + "=\"\"";
    }
    return out;
}

std::string Elements(long count) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 4);
    for (long i = 0; i < count; ++i) {
        out += "<a/>";
    }
    return out;
}

// 76 elements of 255 attributes each (19,456 attributes in all), with values that make the
// whole about bytes long.
std::string Widest(long bytes) {
    constexpr long kElements = 76;
    constexpr long kPerElement = 255;
    const auto valueSize = static_cast<std::size_t>(bytes / (kElements * kPerElement) - 8);
    const std::string value(valueSize, 'v');
    std::string out;
    out.reserve(static_cast<std::size_t>(bytes) + 4096);
    for (long e = 0; e < kElements; ++e) {
        out += "<w";
        for (long a = 0; a < kPerElement; ++a) {
            out += " a" + std::to_string(a) + "=\"" + value + "\"";
        }
        out += "/>";
    }
    return out;
}

std::string Answer(std::string_view kind, long count) {
    std::string open = "<sendNewReturn>";
    std::string inner = "成功";
    if (kind == "widest") {
        inner = Widest(count) + "成功";
    } else if (kind == "attributes") {
        open = "<sendNewReturn" + Attributes(count) + ">";
    } else if (kind == "elements") {
        inner = Elements(count);
    } else {
        inner.assign(static_cast<std::size_t>(count), 'x');
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<soapenv:Envelope xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<soapenv:Body><ns1:sendNewResponse xmlns:ns1=\"http://DefaultNamespace\">" +
           open + inner +
           "</sendNewReturn></ns1:sendNewResponse></soapenv:Body></soapenv:Envelope>";
}

std::string Description(std::string_view kind, long count) {
    std::string address = "<wsdlsoap:address location=\"http://127.0.0.1:1/axis/NoteSendWS.jws\"";
    std::string inner;
    if (kind == "widest") {
        inner = Widest(count);
    } else if (kind == "attributes") {
        address += Attributes(count);
    } else if (kind == "elements") {
        inner = Elements(count);
    } else {
        address = "<wsdlsoap:address location=\"http://127.0.0.1:1/" +
                  std::string(static_cast<std::size_t>(count), 'x') + "\"";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
           "xmlns:wsdlsoap=\"http://schemas.xmlsoap.org/wsdl/soap/\">"
           "<wsdl:service name=\"NoteSendWSService\"><wsdl:port name=\"NoteSendWS\">" +
           address + "/>" + inner + "</wsdl:port></wsdl:service></wsdl:definitions>";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s answer|description attributes|elements|text COUNT\n",
                     argv[0]);
        return 2;
    }
    const std::string_view target = argv[1];
    const std::string_view kind = argv[2];
    const long count = std::strtol(argv[3], nullptr, 10);
    const std::string document =
        target == "answer" ? Answer(kind, count) : Description(kind, count);
    const auto start = std::chrono::steady_clock::now();
    const bool read =
        target == "answer"
            ? morvane::bulletin::ReadReturnValue(document).has_value()
            : morvane::bulletin::FindEndpoint(document, "NoteSendWSService", "NoteSendWS")
                  .has_value();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    std::printf("%s %s %ld bytes=%zu seconds=%.3f %s\n", argv[1], argv[2], count, document.size(),
                spent.count(), read ? "read" : "refused");
    return 0;
}
