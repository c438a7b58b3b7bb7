// The smallest Windows program that says it ran: tools/start-stress.sh starts it thousands of
// times to count the starts that fail before a program's own code runs.
#include <cstdio>

int main() {
    std::puts("started");
    return 0;
}
