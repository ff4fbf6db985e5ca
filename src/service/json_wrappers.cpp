#include "service/json_wrappers.h"

#include <cstdio>
#include <limits>

namespace zorlith {

namespace {

using Json = nlohmann::ordered_json;

// Invalid UTF-8 in a value is written as U+FFFD instead of throwing.
std::string Serialise(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

JsonType JsonTypeOf(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return JsonType::Null;
    case Json::value_t::boolean:
        return JsonType::Boolean;
    case Json::value_t::string:
        return JsonType::String;
    case Json::value_t::number_integer: {
        const auto number = value.get<int64_t>();
        const bool fits = number >= std::numeric_limits<int32_t>::min() &&
                          number <= std::numeric_limits<int32_t>::max();
        return fits ? JsonType::Int32 : JsonType::Int64;
    }
    case Json::value_t::number_unsigned: {
        const auto number = value.get<uint64_t>();
        if (number <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
            return JsonType::Int32;
        }
        if (number <= std::numeric_limits<uint32_t>::max()) {
            return JsonType::UInt32;
        }
        return number <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                   ? JsonType::Int64
                   : JsonType::UInt64;
    }
    case Json::value_t::number_float:
        return JsonType::Double;
    case Json::value_t::object:
        return JsonType::Object;
    case Json::value_t::array:
        return JsonType::Array;
    default:
        return JsonType::None;
    }
}

std::string JsonValueText(const Json& value) {
    switch (value.type()) {
    case Json::value_t::boolean:
        return value.get<bool>() ? "true" : "";
    case Json::value_t::string:
        return value.get_ref<const std::string&>();
    case Json::value_t::number_integer:
        return std::to_string(value.get<int64_t>());
    case Json::value_t::number_unsigned:
        return std::to_string(value.get<uint64_t>());
    case Json::value_t::number_float: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.13g", value.get<double>());
        return buffer;
    }
    case Json::value_t::object:
    case Json::value_t::array:
        return Serialise(value);
    default:
        return "";
    }
}

bool JsonDocument::create() {
    document_ = kind_ == JsonType::Array ? Json::array() : Json::object();
    return true;
}

bool JsonDocument::parse(std::string_view text) {
    document_.reset();
    Json parsed = Json::parse(text.begin(), text.end(), nullptr, false);
    if (parsed.is_discarded()) {
        return false;
    }
    document_ = std::move(parsed);
    return true;
}

std::string JsonDocument::toString() const {
    return document_ ? Serialise(*document_) : "";
}

JsonType JsonDocument::type() const {
    return document_ ? JsonTypeOf(*document_) : JsonType::None;
}

int32_t JsonDocument::size() const {
    if (!document_ || !(document_->is_object() || document_->is_array())) {
        return 0;
    }
    return static_cast<int32_t>(document_->size());
}

void JsonValue::put(std::string_view key, std::string_view value) {
    if (!document_ || !document_->is_object()) {
        document_ = Json::object();
    }
    (*document_)[std::string(key)] = std::string(value);
}

void JsonValue::putChild(std::string_view key, const JsonDocument& child) {
    if (!document_ || !document_->is_object()) {
        document_ = Json::object();
    }
    (*document_)[std::string(key)] = child.document_ ? *child.document_ : Json();
}

std::string JsonValue::getText(std::string_view key, JsonType* type) const {
    if (type != nullptr) {
        *type = JsonType::None;
    }
    if (!document_ || !document_->is_object()) {
        return "";
    }
    const auto member = document_->find(key);
    if (member == document_->end()) {
        return "";
    }
    if (type != nullptr) {
        *type = JsonTypeOf(*member);
    }
    return JsonValueText(*member);
}

bool JsonValue::copyMember(std::string_view key, JsonDocument& target) const {
    if (!document_ || !document_->is_object()) {
        return false;
    }
    const auto member = document_->find(key);
    if (member == document_->end()) {
        return false;
    }
    const bool fits = (member->is_object() && target.kind_ == JsonType::Object) ||
                      (member->is_array() && target.kind_ == JsonType::Array);
    if (!fits) {
        return false;
    }
    target.document_ = *member;
    return true;
}

int32_t JsonValue::enumerate(std::vector<std::string>& names, std::vector<std::string>& values,
                             std::vector<JsonType>& types) const {
    if (!document_ || !document_->is_object()) {
        return -1;
    }
    names.clear();
    values.clear();
    types.clear();
    for (const auto& [name, value] : document_->items()) {
        names.push_back(name);
        values.push_back(JsonValueText(value));
        types.push_back(JsonTypeOf(value));
    }
    return static_cast<int32_t>(names.size());
}

void JsonArray::add(std::string_view value) {
    if (!document_ || !document_->is_array()) {
        document_ = Json::array();
    }
    document_->push_back(std::string(value));
}

} // namespace zorlith
