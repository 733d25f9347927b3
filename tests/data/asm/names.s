; The variables of the sample scene.
define affection = work[10]
define answer    = work[11]
define met_aya   = flag[3]
