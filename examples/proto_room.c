int proto_room(void) {

	Evt_exec(1, 0x0005);
	Sce_fade_set(0, 2, 7, 0, 40);
	Cut_chg(0x1F);
	Message_on(0, 12);
	Aot_set(3, 1, 2, 0, 0, -2400, 7300, 1800, 1200, 4, 0, 12);
	Obj_model_set(0x01, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
	Sce_em_set(0, 1, 0x10, 6, 0, 0, 0, 0, -1, 12000, 0, -8000, 1024, 0);
	Flr_set(1, 2);
	Dir_ck(1, 10);
	Col_chg_set(1, 2);
	Sce_bgm_control(7, 8);
	Calc2(2 + 0)
	for(n = 0; n < 3; n++) {
		Sce_espr_kill(1, 2, 3, 4);
		Wsleep();
	}
	Member_calc(1, 100, 2);
	Member_calc2(1, 2, 3);
	Obj_model_move(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
	Item_aot_set(5, 2, 0, 0, 0, -5000, 4000, 1800, 1200, 0x2F, 15, 0, 0x00);
	Sce_key_ck(1, 2);
	Pos_set(0, -100, 0, 200);
	goto Sub03();
	return 0;
}