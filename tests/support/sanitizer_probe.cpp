// A program with one deliberate fault of each kind the sanitizer builds look for. The test run
// expects each to fail its test: should the sanitizer options or flags ever stop reaching the
// tests, these tests say so instead of every finding passing silently.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

volatile int sink;

int UseAfterFree() {
    int* block = new int[4];
    block[0] = 1;
    // Kept where the compiler cannot follow it, so that it leaves the fault to the run.
    int* volatile kept = block;
    delete[] block;
    sink = kept[0];
    return 0;
}

int Leak() {
    int* block = new int[16];
    block[0] = 1;
    sink = block[0];
    block = nullptr;
    return 0;
}

int Undefined() {
    int value = 0x7fffffff - std::atoi("0");
    value += std::atoi("1");
    sink = value;
    return 0;
}

int Race() {
    int shared = 0;
    auto add = [&shared] {
        for (int i = 0; i < 1000; ++i) {
            shared = shared + 1;
        }
    };
    std::thread first(add);
    std::thread second(add);
    first.join();
    second.join();
    sink = shared;
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* kind = argc > 1 ? argv[1] : "";
    if (std::strcmp(kind, "use-after-free") == 0) {
        return UseAfterFree();
    }
    if (std::strcmp(kind, "leak") == 0) {
        return Leak();
    }
    if (std::strcmp(kind, "undefined") == 0) {
        return Undefined();
    }
    if (std::strcmp(kind, "race") == 0) {
        return Race();
    }
    std::fprintf(stderr, "usage: zavel_sanitizer_probe use-after-free|leak|undefined|race\n");
    return 2;
}
