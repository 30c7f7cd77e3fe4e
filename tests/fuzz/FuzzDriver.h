#pragma once
// What the mutation drivers share outside libFuzzer: the command line
// (--iterations N | --seconds S, --seed N), the loop's end, and the last line.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace tessaro::test {

class FuzzRun {
public:
    // Nothing, with `usage` on stderr, for an option that is neither shared nor taken by `own`.
    static std::optional<FuzzRun> parse(int argc, char** argv, const char* usage,
                                        const std::function<bool(const std::string&, const char*)>& own = {}) {
        FuzzRun run;
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string opt = argv[i];
            if (opt == "--iterations")
                run.iterations_ = std::strtoull(argv[i + 1], nullptr, 10);
            else if (opt == "--seconds")
                run.seconds_ = std::strtod(argv[i + 1], nullptr);
            else if (opt == "--seed")
                run.seed_ = std::strtoull(argv[i + 1], nullptr, 10);
            else if (!own || !own(opt, argv[i + 1])) {
                std::fprintf(stderr, "usage: %s\n", usage);
                return std::nullopt;
            }
        }
        if (run.iterations_ == 0 && run.seconds_ <= 0) run.iterations_ = 20000;
        return run;
    }

    uint64_t seed() const { return seed_; }
    // Whether input n is due: by the count asked for, or by the clock, read every `clockEvery` inputs.
    bool due(uint64_t n, uint64_t clockEvery) const {
        if (iterations_) return n < iterations_;
        return n % clockEvery != 0 || elapsed() < seconds_;
    }
    double elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }
    // "NAME: N inputs (COUNTS), seed S, T s: no fault"
    void report(const char* name, uint64_t n, const std::string& counts) const {
        std::printf("%s: %llu inputs (%s), seed %llu, %.1f s: no fault\n", name, static_cast<unsigned long long>(n),
                    counts.c_str(), static_cast<unsigned long long>(seed_), elapsed());
    }

private:
    uint64_t iterations_ = 0, seed_ = 1;
    double seconds_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tessaro::test
