int room100(void) {

	Evt_exec(1, 0x05);
	Sce_fade_set(0, 2, 7, 0, 40);
	Cut_chg(0x1F);
	Aot_set(3, 1, 2, 0, 0, -2400, 7300, 1800, 1200, 4, 0, 12);
	Door_aot_set(0, 2, 0, 0, 0, -3500, -1000, 1200, 2000, -23000, 0, -19000, 2048, 1, 3, 2, 0, 0, 0, 0, 0, 0, 0);
	Obj_model_set(0x01, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
	Sce_em_set(0, 1, 0x10, 6, 0, 0, 0, 0, -1, 12000, 0, -8000, 1024, 0, 0);
	Item_aot_set(5, 2, 0, 0, 0, -5000, 4000, 1800, 1200, 0x2F, 15, 0, 0x00);
	if(Ck(1, 3, 0)) {
		Message_on(0, 12, 0x00FF);
		Set(1, 3, 1);
		Sleep(30);
	} else {
		Se_on(4, 2, 1, 0, 0, 1000, 0, -2000);
		Sce_bgm_control(1, 0, 0, 0, 0);
	}
	for(n = 0; n < 3; n++) {
		Sce_shake_on(1, 8);
		Wsleep();
	}
	while(Cmp(2 < 5)) {
		Calc(2 + 1)
		Evt_next();
	}
	Pos_set(0, -100, 0, 200);
	Dir_set(0, 0, 1024, 0);
	Plc_motion(0, 2, 0);
	Super_set(0, 1, 2, 0, 0, 0, 0, 0, 0);
	goto Sub05();
	Sce_rnd();
	return 0;
}