// quillon exact
#include <bio2.h>

int Sub00(void) {
	Door_aot_set(ID_AOT_0, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, 3000, -1800, -12000, 1024, 0, 2, 0, 0, 0, 1, 0, 0, UNLOCKED, 0);
	Door_aot_set(ID_AOT_1, SCE_DOOR, SAT_PL | SAT_MANUAL | SAT_FRONT, 0, 0, -1200, 4000, 1800, 1200, -6000, 0, 500, 2048, 1, 1, 0, 0, 0, 1, 0, 0, LOCKED, 0);
	switch(V_05) {
	case 0:
		if(Ck(FG_SCENARIO, 20, 1)) {
			Message_on(0, ID_MSG_5, 0x00FF);
		}
		break;
	}
	Sce_em_set(0, ID_EM_0, ENEMY_LICKER_RED, 0, AI_DEFAULT, 0, SBK_2, 0, 0, 500, -1800, 500, 0, 0, 0);
	return 0;
}
