    JUMP nowhere
    TEXT "unterminated
    work[300] = 1
