// quillon exact: compile with --exact; block lengths, goto offsets, pads and the procedure table are worked out from the text
#include <bio2.h>

int Sub00(void) {
	Evt_exec(1, 2, Sub00);
	Evt_exec(2, 3, Sub00);
	return 0;
}

int Sub01(void) {
	if(Ck(FG_STATUS, 24, 0)) {
		Aot_set(ID_AOT_0, SCE_DOOR, SAT_EM, 0, 0, -12000, 3000, 1800, 1800, 0, 0, 0, 0, 0, 0);
		Sce_shake_on(3, 1);
		Set(FG_STATUS, 24, 1);
	} else {
		Door_aot_set(ID_AOT_1, SCE_ITEM, SAT_AUTO, 0, 0, -3000, -12000, 1200, 1600, 0, 0, 0, 0, 4, 0, 1, 254, 0, 3, 0, 0, UNLOCKED, 0);
	}
	switch(V_05) {
	case 0:
	case 1:
		Message_on(0, ID_MSG_12, 0x00FF);
		break;
	case 2:
		Se_on(4, 1, 0, 0, 0, 100, 0, -200);
		break;
	default:
		Sce_rnd();
	}
	return 0;
}

int Sub02(void) {
	for(n = 0; n < 3; n++) {
		Sleep(30, 10);
		Cut_chg(0x03);
	}
L009C:
	do {
		Evt_next();
		while(Cmp(V_07 < 20, 0)) {
			Calc(V_07 + 1, 0);
		}
	} while(Member_cmp(M_POINTER = 1, 0));
	if(Ck(FG_STATUS, 25, 1)) {
		goto(L009C, 0, 0, 0);
	}
	return 0;
	raw(FF);
	raw(2C 01 02);
}
