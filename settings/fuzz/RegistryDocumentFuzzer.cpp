// Feeds arbitrary bytes to the store file's parser. Besides not crashing, what the parser
// makes of them must write out to a file that reads back to the same values and the same
// bytes: the program rewrites this file on every save.
#include "RegistryDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    bool corrupt = false;
    const RegistryDocument doc = RegistryDocument::parse(bytes, &corrupt);
    const QByteArray written = doc.serialize();

    bool writtenCorrupt = false;
    const RegistryDocument back = RegistryDocument::parse(written, &writtenCorrupt);
    if (writtenCorrupt || back.serialize() != written)
        std::abort();
    for (const RegistryDocument::Item &item : doc.values()) {
        if (back.value(item.key, item.name) != item.value)
            std::abort();
    }
    if (back.values().size() != doc.values().size())
        std::abort();
    return 0;
}
