#include "ui/PageContext.h"

#include "ui/UiText.h"

namespace kv {

QString PageContext::Text(const char* chinese, const char* english) const { return Bi(Language(), chinese, english); }

}  // namespace kv
