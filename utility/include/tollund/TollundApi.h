#pragma once

// Marks a class or function as part of libtollund's public interface. The library is built with
// hidden visibility, so only what carries this mark is exported.
#define TOLLUND_API __attribute__((visibility("default")))
