#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorlith {

// The type code of a JSON value; -1 stands for no value at all.
enum class JsonType : int32_t {
    None = -1,
    Null = 0,
    Boolean = 1,
    String = 2,
    Int32 = 3,
    Double = 4,
    Int64 = 5,
    Object = 6,
    Array = 7,
    UInt32 = 8,
    UInt64 = 9,
};

// A value as the service layer reads it: "" for none, null and false, "true", the string
// itself, decimal integers, doubles like "%.13g", objects and arrays as JSON text.
std::string JsonValueText(const nlohmann::ordered_json& value);
JsonType JsonTypeOf(const nlohmann::ordered_json& value);

// One JSON document of a fixed kind (object or array), or none. Members keep document order.
class JsonDocument {
public:
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;
    virtual ~JsonDocument() = default;

    // A new empty document of the wrapper's kind.
    bool create();
    // True when the text is JSON; otherwise the wrapper holds no document.
    bool parse(std::string_view text);
    // The serialised document; "" without one.
    std::string toString() const;
    JsonType type() const;
    JsonType kind() const { return kind_; }
    int32_t size() const;

protected:
    explicit JsonDocument(JsonType kind) : kind_(kind) {}

    std::optional<nlohmann::ordered_json> document_;

private:
    friend class JsonValue;
    JsonType kind_;
};

// An object document.
class JsonValue : public JsonDocument {
public:
    JsonValue() : JsonDocument(JsonType::Object) {}

    // Sets member key to a JSON string; an absent or non-object document becomes an object.
    void put(std::string_view key, std::string_view value);
    // Sets member key to a copy of the child's document (null when the child holds none).
    void putChild(std::string_view key, const JsonDocument& child);
    // The member rendered as JsonValueText; "" and JsonType::None when it is missing.
    std::string getText(std::string_view key, JsonType* type = nullptr) const;
    // Copies an object member into an object-kind target, or an array member into an
    // array-kind target; false (target unchanged) otherwise.
    bool copyMember(std::string_view key, JsonDocument& target) const;
    // -1 when the document is not an object (the lists untouched); otherwise the member count,
    // with the names, value texts and type codes in document order.
    int32_t enumerate(std::vector<std::string>& names, std::vector<std::string>& values,
                      std::vector<JsonType>& types) const;
};

// An array document.
class JsonArray : public JsonDocument {
public:
    JsonArray() : JsonDocument(JsonType::Array) {}

    // Appends a JSON string; an absent or non-array document becomes an array.
    void add(std::string_view value);
};

// The reply of a service call.
class ServiceReply : public JsonValue {
public:
    std::string msg() const { return getText("msg"); }
    std::string errcode() const { return getText("errcode"); }
};

} // namespace zorlith
