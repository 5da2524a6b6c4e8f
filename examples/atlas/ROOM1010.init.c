// quillon exact
#include <bio2.h>

int Sub00(void) {
	Set(FG_ROOM, 3, 0);
	return 0;
}
