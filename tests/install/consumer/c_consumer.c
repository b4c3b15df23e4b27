/* C consumer of an installed zabrelo, run after the install was moved: the
   default table must be the one installed beside the moved library. Prints
   the table it opened. */
#include <stdio.h>

#include <zabrelo/zabrelo.h>

int main(void) {
    static const uint16_t kitab[] = {0x06A9, 0x062A, 0x0627, 0x0628, 0};
    static const uint16_t qalam[] = {0x0642, 0x0644, 0x0645, 0};
    zabrelo_open_detail detail;
    zabrelo_collator* collator = NULL;
    uint8_t key[32];
    size_t length = 0;
    if (zabrelo_open_detailed(NULL, &collator, &detail) != ZABRELO_OK) {
        printf("no default table: %s\n", detail.message);
        return 1;
    }
    printf("default table: %s\n", detail.file);
    if (zabrelo_key16(collator, kitab, ZABRELO_NUL_TERMINATED, 1, key, sizeof key, &length) != ZABRELO_OK ||
        length != 4 || zabrelo_compare16(collator, kitab, 4, qalam, 3, 3) != 1) {
        printf("unexpected key or order\n");
        zabrelo_close(collator);
        return 1;
    }
    zabrelo_close(collator);
    return 0;
}
