// Compiled in the dataset layer's place: it may include that layer's headers and nothing above.
#include QM_PROBE_HEADER

int QmLayerProbe() {
    return 0;
}
