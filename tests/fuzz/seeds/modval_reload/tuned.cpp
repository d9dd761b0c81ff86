int TunedInt() { return M(5); }
double TunedDouble() { return M(1.5); }
const char* TunedText() { return M("plain"); }
int TunedPair(int which) { return which == 0 ? M(10) : M(20); }
int TunedUnused() { return M(99); }
int TunedFirstColumn() { return
M(3); }
float TunedFloat() { return M(2.5f); }
