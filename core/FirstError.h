#pragma once

#include <exception>

namespace quillory {

// Runs the steps of a clean-up that must all run, even when one of them fails (a status handler
// that raises, say), and keeps the first error for the caller to raise once everything has run.
class TFirstError {
public:
    template <typename Step>
    void Run(Step&& step) noexcept {
        try {
            step();
        } catch (...) {
            if (!first_) first_ = std::current_exception();
        }
    }
    // Raises the first error kept, if any.
    void Rethrow() const {
        if (first_) std::rethrow_exception(first_);
    }

private:
    std::exception_ptr first_;
};

// Runs `body`, then `cleanup` also when `body` fails. The first error is the one that leaves: the
// body's, or else the clean-up's.
template <typename Body, typename Cleanup>
void RunThenCleanUp(Body&& body, Cleanup&& cleanup) {
    TFirstError error;
    error.Run(body);
    error.Run(cleanup);
    error.Rethrow();
}

}  // namespace quillory
