#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("qb4160-eval 2.0.5");
            return 0;
        }
        std::fprintf(stderr, "qb4160-eval: unknown option %s\n", argv[i]);
        return 2;
    }
    return 0;
}
