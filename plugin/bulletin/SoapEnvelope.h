// SOAP 1.1 messages of the bulletin-and-note services: the RPC/encoded request, the return
// value of an answer, and the endpoint address in a service description. Texts are UTF-8.
// Parsing reads only the bytes given: no DTD, no external entity, no network; a document
// beyond the bounds of XmlLimits.h, or one with a document type declaration, is not read.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace morvane::bulletin {

inline constexpr std::string_view kServiceNamespace = "http://DefaultNamespace";

// The request envelope: the operation element in kServiceNamespace with one xsd:string child per
// parameter, in order. Characters XML cannot carry (controls other than tab, line feed and
// carriage return) are sent as "?"; a carriage return travels as a character reference, so
// that line ends arrive as written.
std::string BuildRpcRequest(std::string_view operation, std::span<const char* const> names,
                            std::span<const std::string> values);

// The return value of an answer: the text of the first child of the response element (a
// multi-reference value followed), references decoded. Nothing for a fault, for a document
// that is not a SOAP 1.1 envelope, or for one that carries a DTD.
std::optional<std::string> ReadReturnValue(std::string_view answer);

// The location of the SOAP address of the port named port of the service named service, or
// nothing when the description has no such port or cannot be read.
std::optional<std::string> FindEndpoint(std::string_view description, std::string_view service,
                                        std::string_view port);

} // namespace morvane::bulletin
