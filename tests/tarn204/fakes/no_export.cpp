// A library named like the message-box library but without its export.
extern "C" __attribute__((visibility("default"))) int SomethingElse() {
    return 6;
}
