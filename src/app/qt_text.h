#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zorlith {

// The core keeps UTF-8 texts; Qt keeps UTF-16.
inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

} // namespace zorlith
