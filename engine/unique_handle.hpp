#pragma once

// One owner per handle: non-copyable, movable, released exactly once.
// Deleter is a function object type; when it has a static invalid(), that value
// (rather than a value-initialised T) marks "no handle", as for find handles.

#include <utility>

namespace nm {

template <typename T, typename Deleter>
class UniqueHandle {
  public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    static T invalid() noexcept {
        if constexpr (requires { Deleter::invalid(); }) {
            return Deleter::invalid();
        } else {
            return T{};
        }
    }

    T get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != invalid(); }

    // Gives up ownership without releasing.
    T release() noexcept { return std::exchange(handle_, invalid()); }

    void reset(T handle = invalid()) noexcept {
        T old = std::exchange(handle_, handle);
        if (old != invalid()) {
            Deleter{}(old);
        }
    }

  private:
    T handle_ = invalid();
};

// Adapts a release function such as DeleteObject or FindClose into a deleter type.
template <auto Release>
struct CallDeleter {
    template <typename H>
    void operator()(H handle) const noexcept {
        Release(handle);
    }
};

}  // namespace nm
