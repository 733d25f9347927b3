; Two mistakes: an unknown instruction and a bad byte.
start:
    TEXT "fine"
    TEXTZ "no such instruction"
    WAIT 10
    JUMP start
    WAIT 300
