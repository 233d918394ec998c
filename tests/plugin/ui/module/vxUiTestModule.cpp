// A module with nothing but one function: built once with a version block of
// placeholder texts and once without any, for the panels' version texts.
extern "C" int vxUiTestModuleAnswer() { return 42; }
