/* The smallest Windows program that proves a wine runs programs here: it loads (as every
 * program does) and finds kernel32, then says so. Built with MinGW-w64 by scripts/wine32.sh
 * (32-bit) and scripts/windows.sh (64-bit). */
#include <stdio.h>
#include <windows.h>

int main(void)
{
    if (!GetModuleHandleA("kernel32.dll")) {
        return 3;
    }
    puts("montemex: a Windows program ran");
    return 0;
}
