; A sample scene for the command-line test.
include "names.s"

start:
    PICTURE "ROOM01"
    TEXT "The alarm rings.\w"
    TEXTN 3, "\name{0}! Get up!\n"
             "You'll be late."
    CHOICE answer,
        "Get up",
        "Five more minutes"
    JUMPZ answer != 0, sleep_in
    ADD affection, 2
    SETF met_aya
    JUMP done
sleep_in:
    SUB affection, 1
    TEXTB @sigh
done:
    JUMPZ affection >= 5 & met_aya, normal
    GOTO "ROUTE_A"
normal:
    GOTO "SCHOOL"
sigh:
    string "*sigh*"
