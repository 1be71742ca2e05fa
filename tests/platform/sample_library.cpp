// A library that carries resources and nothing else: the tests open its
// image through an address inside it, as a plug-in opens its own.
extern "C" __attribute__((visibility("default"))) int VexmireSampleAnchor() { return 29; }
