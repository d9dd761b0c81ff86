int a = M(0x7fffffff) + M(-2147483648);
const char* s = M("x\"y\\z\n");
/* M(1)
*/ double d = M(1.5f); // M(2)
char q = '"'; int e = M(kName); int f = M(12a);
