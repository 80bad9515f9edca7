#include <cstdio>

int main(int argc, char** argv)
{
    std::fprintf(stderr, "usage: wexel-tool detect|convert|scan|colour ...\n");
    return 2;
}
