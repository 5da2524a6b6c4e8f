// quillon exact
#include <bio2.h>

int Sub00(void) {
	Door_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, -8000, 0, -2400, 1024, 0, 1, 0, 0, 0, 1, 0, 0, UNLOCKED, 0);
	Door_aot_set(ID_AOT_1, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, 12000, 0, -5000, 2048, 0, 2, 1, 0, 0, 1, 0, 0x81, ITEM_SMALL_KEY, 0);
	Door_aot_set(ID_AOT_2, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, 3000, 0, 9000, 0, 0, 3, 0, 0, 0, 1, 0, 0, UNLOCKED, 0);
	Item_aot_set(ID_AOT_3, SCE_ITEM, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, 2000, 2000, 1000, 1000, ITEM_HANDGUN_AMMO, 15, 1, ID_OBJ_0, IF_FLOOR);
	if(Ck(FG_SCENARIO, 18, 1)) {
		Message_on(0, ID_MSG_2, 0x00FF);
	}
	Sce_em_set(0, ID_EM_0, ENEMY_ZOMBIE_COP, 0, AI_DEFAULT, 0, SBK_0, 0, 0, -4000, 0, 6000, 1024, 0, 0);
	return 0;
}
