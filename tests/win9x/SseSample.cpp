// One SSE instruction (xorps), which a Pentium II lacks. The emulated Pentium
// II (scripts/test-win98.sh) must stop this program there with an illegal
// instruction: then a program that slipped one past the audit would stop too.
#include <cstdio>

int main()
{
    std::puts("before the SSE instruction");
    std::fflush(stdout);
    asm volatile(".byte 0x0f, 0x57, 0xc0"); // xorps %xmm0, %xmm0
    std::puts("after the SSE instruction");
    return 0;
}
