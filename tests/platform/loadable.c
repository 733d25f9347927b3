/* A library the platform tests load while they run. */
int velmor_test_answer(int half) { return 2 * half + 2; }
