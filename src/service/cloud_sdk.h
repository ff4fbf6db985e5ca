#pragma once

namespace zorlith {

// The cloud SDK's place in the start-up order. Its JSON functions are the linked JSON library
// behind the wrappers, so there is no library to load: the step always succeeds.
class CloudSdk {
public:
    bool load() {
        loaded_ = true;
        return true;
    }
    bool loaded() const { return loaded_; }

private:
    bool loaded_ = false;
};

} // namespace zorlith
