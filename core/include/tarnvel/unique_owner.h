#pragma once
// One owner for every kind of handle the program holds: what differs from one
// kind to the next (the value that means "none", what else means it too, and
// the call that gives it back) lives in a small traits type, and the owning
// is written once.
//
// A traits type supplies
//   using Value = ...;                      // what is held
//   static Value none();                    // what an empty owner holds
//   static bool holds(Value value);         // false for every "none" value
//   static void close(Value value);         // only ever given one it holds

#include <utility>

namespace tarnvel {

template <typename Traits>
class UniqueOwner {
public:
    using Value = typename Traits::Value;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(Value value) noexcept : value_(value) {}
    ~UniqueOwner() { reset(); }
    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Value get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::holds(value_); }
    // The caller owns it from now on.
    [[nodiscard]] Value release() noexcept { return std::exchange(value_, Traits::none()); }
    void reset(Value value = Traits::none()) noexcept {
        const Value old = std::exchange(value_, value);
        if (Traits::holds(old)) Traits::close(old);
    }
    // For a call that hands its result back through a pointer; whatever was held goes first.
    Value* put() noexcept {
        reset();
        return &value_;
    }

private:
    Value value_ = Traits::none();
};

// The usual kind: a default-made value means none, and one call gives it back.
template <typename T, auto Close>
struct ClosedBy {
    using Value = T;
    static constexpr Value none() noexcept { return Value{}; }
    static bool holds(Value value) noexcept { return value != Value{}; }
    static void close(Value value) noexcept { static_cast<void>(Close(value)); }
};

}  // namespace tarnvel
