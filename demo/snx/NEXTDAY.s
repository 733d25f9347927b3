; NEXTDAY.SNX: the calendar moves on by a day (called, then returns).

include "common/names.s"

    ADD day, 1
    LETX weekday, (weekday + 1) % 7
    JUMPZ day > 30, same_month
    LET day, 1
    ADD month, 1
same_month:
    ADD energy, 100
    JUMPZ energy > 1000, rested
    LET energy, 1000
rested:
    RETURN
