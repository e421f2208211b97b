#include <windows.h>

// A process that only waits to be ended, copied under the names the update run ends.
int main() {
    Sleep(INFINITE);
}
