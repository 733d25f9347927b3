; STREET.SNX: the shopping street at dusk, walked by clicking its places.
; Called from INIT; returns when two places have been seen.

include "common/names.s"

    PICTURE "BG04"
    TEXT "\p夕暮れの商店街。\n"
         "パン屋、カフェ、本屋……どこから見て回ろう？"
    CLICK

walk:
    PICTURE ""                  ; the street again without the message window:
                                ; the post and the cat stand where it was
    HITMAP clicked, "MAP01", 6, 9
    CURSORBACK
    JUMPZ clicked >= 1 & clicked <= 5, not_bakery
    JUMP bakery
not_bakery:
    JUMPZ clicked >= 6 & clicked <= 9, not_cafe
    JUMP cafe
not_cafe:
    JUMPZ clicked >= 10 & clicked <= 12, not_bookshop
    JUMP bookshop
not_bookshop:
    JUMPZ clicked == 13, not_post
    TEXT "\p赤いポスト。ぼくが子どもの頃からここにある。"
    JUMP next
not_post:
    JUMPZ clicked == 14, not_cat
    JUMP cat
not_cat:
    JUMPZ clicked == 15, nothing
    TEXTA "お月さま、もう出てるね。今夜は満月だって。"
    JUMP next
nothing:
    TEXT "\p特に変わったものはない。"
    JUMP next

bakery:
    MUSIC "QV00"                ; the shop door's chime
    MUSICONCE
    TEXTN MAKOTO, "いらっしゃいませ！　焼きたてのメロンパン、いかがですか？"
    CLICK
    JUMPZ money >= 2, no_money
    SUB money, 2
    ADD energy, 150
    TEXTB "ひとつください。\n"
          "（温かい。……この味、変わってないな）"
    JUMP bakery_done
no_money:
    TEXTB "（財布の中身が心もとない……）"
bakery_done:
    MUSIC "M01"
    JUMPF saw_bakery, next
    SETF saw_bakery
    ADD visits, 1
    JUMP next

cafe:
    TEXTN MANAGER, "いらっしゃいませ。窓際の席が空いていますよ。"
    CLICK
    TEXTA "ここのカフェオレ、すっごくおいしいんだよ。"
    ADD affection, 50
    JUMPF saw_cafe, next
    SETF saw_cafe
    ADD visits, 1
    JUMP next

bookshop:
    TEXTN MISAKI, "あら、懐かしい顔。\n"
                  "昔、ここで毎日のように漫画を立ち読みしてた子よね？"
    CLICK
    TEXTB "……その節はお世話になりました。"
    ADD kindness, 50
    JUMPF saw_bookshop, next
    SETF saw_bookshop
    ADD visits, 1
    JUMP next

cat:
    TEXT "\p黒猫がひょいと日よけの上に跳び乗って、くるりと一回転した。"
    ANIME 1
    TEXTA "ふふ、ご機嫌みたい。"
    ADD kindness, 20
    JUMPF saw_cat, next
    SETF saw_cat
    ADD visits, 1

next:
    CLICK
    JUMPZ visits >= 2, walk
    TEXTA "そろそろ灯台のほうへ行ってみない？　夕日がきれいな時間だよ。"
    CLICK
    RETURN
