int retail_all(void) {

	Evt_exec(1, 0x05);
	Evt_chain(1, 2, 3);
	Evt_kill(4);
	Evt_next();
	Wsleep();
	Wsleeping();
	Sleep(30);
	Sleeping(300);
	if(Ck(1, 3, 0)) {
		Set(1, 3, 1);
		Work_copy(1, 2, 3);
	} else {
		Save(1, 20);
		Copy(2, 3);
	}
	while(Cmp(2 < 5)) {
		Calc(2 + 1)
	}
	do {
		Calc2(0x10, 0x7);
		Sce_rnd();
	} while(Member_cmp(512 > 5));
	for(n = 0; n < 3; n++) {
		Wsleep();
	}
	for(n = 0; n < 2; n++) {
	Wsleeping();
	}
	switch(3) {
	case 1:
		return 1;
	break;
	case 2:
		nop();
		break;
	break;
	default:
		Evt_next();
	break;
	}
	goto(0x00000010);
	goto Sub05();
	return Sub02();
	Cut_chg(0x05);
	Cut_old();
	Message_on(2, 6, 0x0801);
	Aot_set(3, 1, 2, 0, 0, -2400, 7300, 1800, 1200, 4, 0, 12);
	Obj_model_set(0x01, 5, 9, 0, 8, 3, 0, 1537, 262, 259, 1544, 2304, 769, 9, 2313, 6, 3, 520, 1540, 2050, 2305, 2052);
	Work_set(2, 1);
	Speed_set(9, 777);
	Add_speed();
	Add_aspeed();
	Pos_set(5, 2049, 2305, 2304);
	Dir_set(3, 2055, 1286, 2311);
	Member_set(7, 1029);
	Member_set2(3, 2);
	Se_on(3, 1, 9, 4, 8, 1287, 1031, 265);
	Sca_id_set(1, 0x0608);
	Flr_set(2, 5);
	Dir_ck(2, 1543, 256, 2312);
	Sce_espr_on(0x05, 0x05, 5, 9, 7, 0x709, 257, 1796, 1, 2308);
	Door_aot_set(7, 4, 6, 5, 0, 1287, 2306, 1793, 768, 516, 1539, 1798, 513, 7, 6, 8, 4, 2, 6, 8, 4, 6, 5);
	Cut_auto(6);
	Member_copy(3, 2);
	Member_cmp(512 > 5)
	Plc_motion(1, 2, 2);
	Plc_dest(3, 3, 2311, 1026);
	Plc_neck(4, 0, 2, 2054, 2309, 1289);
	Plc_ret();
	Plc_flg(2, 8, 9);
	Sce_em_set(0, 7, 0x08, 6, 6, 6, 6, 1, 7, 6, 259, 1795, 258, 2309, 256);
	Col_chg_set(0, 9, 2, 8);
	Aot_reset(1, 5, 9, 256, 2307, 0x206);
	Aot_on(4);
	Super_set(5, 9, 5, 263, 1793, 1799, 1031, 513, 1281);
	Super_reset(4, 7, 2, 8, 0, 3, 8);
	Plc_gun(5);
	Cut_replace(2, 8);
	Sce_espr_kill(0, 8, 4, 1);
	Obj_model_move(4, 8, 5, 2, 5, 2051, 2056, 773, 777, 1539, 771, 1800, 5);
	Item_aot_set(0, 4, 7, 4, 3, 1289, 1287, 261, 259, 0x703, 1283, 1795, 0x909);
	Sce_key_ck(0, 1287);
	Sce_trg_ck(1, 1537);
	Sce_bgm_control(3, 7, 2, 6, 5);
	Sce_espr_control(1, 6, 7, 6, 1);
	Sce_fade_set(2, 2, 2, 0, 2);
	Sce_espr3d_on(9, 0x07, 0x02, 9, 9, 0x507, 2050, 520, 0, 2049, 1538, 771, 1024);
	Member_calc(3, 2052, 2307);
	Member_calc2(5, 4, 8);
	Sce_bgmtbl_set(6, 0x02, 0x705, 0x809);
	Plc_rot(6, 520);
	Xa_on(8, 2050);
	Weapon_chg(8);
	Plc_cnt(0);
	Sce_shake_on(1, 8);
	Mizu_div_set(7);
	Keep_Item_ck(2);
	Xa_vol(9);
	Kage_set(0, 2, 0x02, 0x02, 0x07, 265, 8, 2053, 2056);
	Cut_be_set(7, 1, 8);
	Sce_Item_lost(0);
	Plc_gun_eff();
	Sce_espr_on2(0x03, 0x03, 4, 0, 1, 0x708, 8, 1793, 2309, 2312);
	Sce_espr_kill2(8);
	Plc_stop();
	Aot_set_4p(1, 2, 3, 4, 5, 16, 16, 16, 16, 16, 16, 16, 16, 6, 7, 8);
	Door_aot_set_4p(/* WIP */);
	Item_aot_set_4p(/* WIP */);
	Light_pos_set(0, 2, 4, 1538);
	Light_kido_set(4, 518);
	Rbj_reset();
	Sce_scr_move(8, 2312);
	Parts_set(7, 5, 1, 4);
	Movie_on(2);
	Splc_ret();
	Splc_sce();
	Super_on(6, 1, 4, 256, 260, 777, 1025, 1793, 1280);
	Mirror_set(/* WIP */);
	Sce_fade_adjust(3, 1, 2);
	Sce_espr3d_on2(4, 0x00, 0x02, 3, 4, 0x804, 1027, 2055, 1026, 5, 4, 0, 2056);
	Sce_Item_get(3, 8);
	Sce_line_start(7, 3, 7);
	Sce_line_main(/* WIP */);
	Sce_line_end();
	Sce_parts_bomb(/* WIP */);
	Sce_parts_down(/* WIP */);
	Light_color_set(0, 4, 5, 5, 8);
	Light_pos_set2(5, 3, 0, 772);
	Light_kido_set2(5, 2, 0, 1541);
	Light_color_set2(1, 7, 4, 8, 3);
	Se_vol(3);
	Poison_ck();
	Poison_clr();
	Sce_Item_ck_Lost(8, 0);
	Evt_next();
	return 0;
}