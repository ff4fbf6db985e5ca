#pragma once

#include <cstdint>
#include <string_view>

namespace zorlith {

// The product's fixed identity and plan settings.
struct AppIdentityValues {
    std::string_view title;
    std::string_view exeBaseName;
    int32_t appId;
    std::string_view planName;
    std::string_view version;
    int32_t cycleIssues;
};

inline constexpr AppIdentityValues AppIdentity{
    .title = "ZorlithPK10平刷冠军单双",
    .exeBaseName = "ZorlithPK10平刷冠军单双",
    .appId = 112,
    .planName = "冠军单双",
    .version = "1.15",
    .cycleIssues = 1,
};

} // namespace zorlith
