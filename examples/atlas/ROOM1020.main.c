// quillon exact
#include <bio2.h>

int Sub00(void) {
	Door_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, -9000, 0, 2000, 3072, 0, 0, 0, 0, 0, 1, 0, 0, UNLOCKED, 0);
	Door_aot_set(ID_AOT_1, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, -1000, -1800, -15000, 0, 1, 0, 2, 0, 0, 1, 0, 0, UNLOCKED, 0);
	Sce_em_set(0, ID_EM_0, ENEMY_ZOMBIE_DOG, 0, AI_DEFAULT, 0, SBK_1, 0, 0, 1000, 0, -2000, 0, 0, 0);
	Sce_em_set(0, ID_EM_1, ENEMY_ZOMBIE_DOG, 0, AI_DEFAULT, 0, SBK_1, 0, 0, 2000, 0, -6000, 2048, 0, 0);
	Message_on(0, ID_MSG_0, 0x00FF);
	return 0;
}
