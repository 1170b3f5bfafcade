#pragma once
#include <QString>
namespace glyphor {
int compareNames(const QString& a, const QString& b);
}
