; The bundled demo of the engine: a short evening in a seaside town.
; INIT.SNX starts the game: the title, a new game or a saved one.

include "common/names.s"

start:
    CURSORBACK                  ; the pointer of shape 0 until the settings choose one
    SCALEON
    FADEBLACK
    LAYOUT0
    STATUSSET affection, energy, courage, memories, sea_breeze,
              month, day, weekday, money, curiosity, kindness

title:
    MUSIC "M01"
    PICTURE "BG01"
    ; The size goes back after the line break: the break steps down by the
    ; size in force, so the title's line keeps its 24 pixels.
    TEXT "\p\s{24}　　　　　　　Ｖｅｌｍｏｒ\n\s{16}"
         "　　　　　　　　　― 潮風の町の小さな夕暮れ ―"
    CLICK
    CHOICE answer, "はじめから", "つづきから", "おしまい"
    JUMPZ answer == 1, not_new       ; JUMPZ jumps when its expression is 0
    JUMP new_game
not_new:
    JUMPZ answer == 2, goodbye

    ; Load a game. The panel sets work[0] to 1 when the player cancels.
    LOADMENU month, day
    JUMPZ work[0] == 1, resume
    JUMP title
resume:
    JUMPZ scene == 1, resume_2
    JUMP scene_1
resume_2:
    JUMPZ scene == 2, scene_3
    JUMP evening_saved

goodbye:
    MUSICSTOP
    TEXT "\pまたいつでも、この町へ。"
    WAIT 50
    END

new_game:
    NAMEHERO                    ; work[0] is 1 if the player kept the defaults by cancelling
    NAMEPARTNER
    LET month, 4
    LET day, 3
    LET weekday, 5              ; a Friday
    LET money, 30
    LET affection, 300
    LET energy, 700
    LET curiosity, 200
    LET kindness, 400
    LET courage, 40
    LET memories, 150
    LET sea_breeze, 500
    LET visits, 0
    CLRF saw_bakery
    CLRF saw_cafe
    CLRF saw_bookshop
    CLRF saw_cat

; --- The way home ------------------------------------------------------------
    PICTURE "BG03"
    TEXT "\p四月の初め。\n"
         "春休みの最後の週に、ぼくは三年ぶりにこの町へ帰ってきた。\w\p"
         "バスの窓から見える丘も、曲がりくねった道も、あの頃のままだ。\n"
         "……いや、大きな木が一本、少しだけ背が伸びた気がする。"
    CLICK
    TEXTB "（さて、まずは駅前の桜並木を通って帰ろうか）"
    CLICK
    LET scene, 1

; --- Under the cherry tree -------------------------------------------------------
scene_1:
    PICTURE "_CG01"
    TEXT "\p桜の下に、見覚えのある後ろ姿があった。"
    CLICK
    TEXTA "……あれ？　もしかして、\name{0}くん？"
    CLICK
    TEXTA "やっぱり！　\name{2}\name{0}くんだ。\n"
          "わたし、\name{3}\name{1}。覚えてる？"
    CHOICE answer, "もちろん。久しぶりだね", "……えっと、誰だっけ？"
    JUMPZ answer == 1, forgot
    ADD affection, 150
    TEXTA "\c{2}よかったぁ！\c{0}\n"
          "三年ぶりだもん、忘れられてたらどうしようかと思った。"
    JUMP talked
forgot:
    SUB affection, 100
    ADD curiosity, 100
    TEXTA "\s{24}ひどーい！\n\s{16}"
          "……なんてね。髪、切ったからわからなかったのかな。"
talked:
    CLICK
    TEXTA "この町もね、少しだけ変わったんだよ。\w\n"
          "商店街に新しいカフェができたし、本屋さんも模様替えしたの。\w\n"
          "よかったら、夕方に一緒に歩かない？"
    CLICK
    STATUS
    TEXT "\p彼女の笑顔は、あの頃と少しも変わっていなかった。"
    CLICK

    CHOICE answer, "ここまでを記録する", "このまま続ける"
    JUMPZ answer == 1, evening
    LET scene, 2
    SAVEMENU month, day
    JUMP evening_saved

evening:
    LET scene, 2
evening_saved:
    CALL "STREET"                ; the same evening: the calendar stays

; --- The lighthouse ------------------------------------------------------------
scene_3:
    LET scene, 3
    MUSIC "M02"
    LAYOUT1
    FADEWHITE
    PICTURE "_CG02"
    FADEBLACK
    RANDOM 3, weather
    JUMPZ weather == 0, windy
    TEXT "\p灯台の丘は、驚くほど静かだった。"
    JUMP weather_done
windy:
    ADD sea_breeze, 200
    TEXT "\p灯台の丘には、強い潮風が吹いていた。"
weather_done:
    CLICK
    TEXTA "ねえ、覚えてる？\n"
          "子どもの頃、ここで『いつか一緒に灯台に登ろう』って約束したの。"
    CLICK
    ADD memories, 400
    ADD courage, 60
    STATUS2
    TEXTB "覚えてるよ。……\c{9}今日がその日だ\c{0}。"
    CLICK
    TEXTA "\s{20}うん！\s{16}"
    CLICK

; --- Night -------------------------------------------------------------------
    LAYOUT0
    PICTURE "_CG03"
    TEXT "\pその夜。\n"
         "窓辺で丸くなった猫が、満月をじっと見上げていた。"
    CLICK
    TEXTN TV, "……明日の天気です。海沿いの町は、よく晴れるでしょう。"
    CLICK
    CALL "NEXTDAY"               ; the night gives way to the next day
    PICTURE "BG02"
    MUSICONCE
    ; Maroon: yellow would be lost on the white morning.
    TEXT "\p\c{10}　　　　　　　　　　　　おしまい\c{0}\n"
         "　　　　　　　遊んでくれて、ありがとう。"
    CLICK
    FADEBLACK
    JUMP title
