#include "update_request.h"

namespace zorlith {

std::optional<UpdateRequest> ParseUpdaterArguments(const std::vector<std::string>& args,
                                                   std::string& error) {
    if (args.size() != 5) {
        error = "参数个数应为 5（标题 当前版本 新版本 更新地址 程序文件名），实际为 " +
                std::to_string(args.size());
        return std::nullopt;
    }
    UpdateRequest request{args[0], args[1], args[2], args[3], args[4]};
    if (request.url.empty()) {
        error = "更新地址为空";
        return std::nullopt;
    }
    const std::string& name = request.executableName;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        error = "程序文件名无效：" + name;
        return std::nullopt;
    }
    return request;
}

} // namespace zorlith
