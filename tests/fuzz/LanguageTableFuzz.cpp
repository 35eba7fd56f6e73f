// Any bytes as a language table: parsing never fails, no value is longer than a window
// can take, and look-ups ignore the case of the key.

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "FuzzChecks.h"
#include "ui/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::LanguageTable table;
    table.LoadText(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    KV_FUZZ_CHECK(table.Loaded());
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& line : text.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = table.Value(key);
        KV_FUZZ_CHECK(value.size() <= kv::LanguageTable::kMaxValueChars);
        // Only where the change of case is reversible ("ß" has no single upper-case letter).
        if (key.toUpper().toLower() == key.toLower()) KV_FUZZ_CHECK(table.Value(key.toUpper()) == value);
    }
    return 0;
}
