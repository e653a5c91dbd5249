#pragma once
// One owner for every kind of resource: move-only, released on every path by a small policy.
// A policy names the `type`, its `invalid()` value and how to `close` one; it may say what else
// counts as none (`valid`), and may hold what it closes with.

#include <type_traits>
#include <utility>

namespace mirafold::base {

template <typename Policy>
class UniqueResource : private Policy {
 public:
  using Type = typename Policy::type;

  UniqueResource() = default;
  explicit UniqueResource(Type value, Policy policy = Policy())
      : Policy(std::move(policy)), value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept
      : Policy(static_cast<Policy&&>(other)), value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) {
      reset(other.release());
      static_cast<Policy&>(*this) = static_cast<Policy&&>(other);
    }
    return *this;
  }
  ~UniqueResource() { reset(); }

  Type get() const { return value_; }
  auto operator->() const requires std::is_pointer_v<Type> { return value_; }
  explicit operator bool() const { return holds(value_); }
  Type release() { return std::exchange(value_, Policy::invalid()); }
  void reset(Type value = Policy::invalid()) {
    if (holds(value_)) Policy::close(value_);
    value_ = value;
  }
  // For out-parameters: releases what is held and hands out the slot.
  Type* put() {
    reset();
    return &value_;
  }

 private:
  static bool holds(Type value) {
    if constexpr (requires { Policy::valid(value); }) {
      return Policy::valid(value);
    } else {
      return value != Policy::invalid();
    }
  }

  Type value_ = Policy::invalid();
};

// The out-parameter slot of a pointer owner as the void** that creation functions take.
template <typename Owner>
void** voidSlot(Owner& owner) {
  return reinterpret_cast<void**>(owner.put());
}

}  // namespace mirafold::base
