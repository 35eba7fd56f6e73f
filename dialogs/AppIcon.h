#pragma once
// The program's icon, drawn at run time so the repository carries no image files.

#include <QIcon>

namespace kv {

QIcon AppIcon();

}  // namespace kv
