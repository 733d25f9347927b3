start:
    TEXT "\pこんにちは"
    CLICK
    JUMP start
