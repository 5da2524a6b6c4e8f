// quillon exact
#include <bio2.h>

int Sub00(void) {
	Door_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, 0, -1800, 4000, 0, 1, 0, 1, 0, 0, 1, 0, 0, UNLOCKED, 0);
	return 0;
}
