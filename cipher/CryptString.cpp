#include "cipher/CryptString.h"

int CryptString(const char* passPhrase, char* text, int mode) {
    (void)passPhrase;
    (void)text;
    (void)mode;
    return -1;
}
