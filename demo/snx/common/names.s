; Names for the work variables and flags the demo's scenarios share.

define answer     = work[1]     ; the last choice
define scene      = work[10]    ; where a loaded game goes on
define month      = work[20]
define day        = work[21]
define weekday    = work[22]    ; 0 Sunday .. 6 Saturday
define money      = work[23]    ; in hundreds of yen
define affection  = work[40]    ; gauges of the status strip
define energy     = work[41]
define courage    = work[42]    ; layout 1: the yellow gauge, full at 150
define memories   = work[43]    ; layout 1: with a percentage
define sea_breeze = work[44]    ; layout 1: with a percentage
define curiosity  = work[45]    ; layout 0
define kindness   = work[46]    ; layout 0
define clicked    = work[50]    ; the region of the street map
define visits     = work[51]    ; places seen in the street
define weather    = work[52]

define saw_bakery   = flag[1]
define saw_cafe     = flag[2]
define saw_bookshop = flag[3]
define saw_cat      = flag[4]

; Speakers (entries of the name table).
define MAKOTO  = 4     ; the baker's daughter
define MISAKI  = 5     ; the bookshop's owner
define MANAGER = 16
define TV      = 17
define CLERK   = 18
