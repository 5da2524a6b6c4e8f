// quillon exact
#include <bio2.h>

int Sub00(void) {
	Door_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, 9000, 0, -3000, 0, 0, 0, 0, 0, 0, 1, 0, 0, UNLOCKED, 0);
	if(Ck(FG_ROOM, 3, 0)) {
		Item_aot_set(ID_AOT_1, SCE_ITEM, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -500, 700, 900, 900, ITEM_SMALL_KEY, 1, 2, ID_OBJ_1, IF_GLINT_BLUE);
	}
	Set(FG_SCENARIO, 18, 1);
	return 0;
}
