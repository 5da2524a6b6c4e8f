// quillon exact: compile with --exact; block lengths, goto offsets, pads and the procedure table are worked out from the text

int Sub00(void) {
	Evt_exec(1, 0x02);
	Evt_exec(2, 0x03);
	return 0;
}

int Sub01(void) {
	if(Ck(1, 24, 0)) {
		Aot_set(0, 1, 2, 0, 0, -12000, 3000, 1800, 1800, 0, 0, 0, 0, 0, 0);
		Sce_shake_on(3, 1);
		Set(1, 24, 1);
	} else {
		Door_aot_set(1, 2, 0, 0, 0, -3000, -12000, 1200, 1600, 0, 0, 0, 0, 4, 0, 1, 254, 0, 3, 0, 0, 0, 0);
	}
	switch(5) {
	case 0:
	case 1:
		Message_on(0, 12, 0x00FF);
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
		while(Cmp(7 < 20, 0)) {
			Calc(7 + 1, 0)
		}
	} while(Member_cmp(0 = 1));
	if(Ck(1, 25, 1)) {
		goto(L009C, 0, 0, 0);
	}
	return 0;
	raw(FF);
	raw(2C 01 02);
}
