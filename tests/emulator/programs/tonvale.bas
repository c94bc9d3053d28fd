10 CLS
20 print "TONVALE ON THE CASSETTE PORT"
30 FOR I=1 TO 64 STEP 3:?I*I+1;:NEXT:PRINT
40 IF I>60 THEN PRINT "DONE" ELSE PRINT "NOT DONE"
50 READ A$,B:PRINT A$;B 'the data's colon is in quotes
60 DATA "X:Y",7:REM DATA ends at a colon:PRINT
70 IF INKEY$="" THEN POKE 16000,ASC("A"):END
80 TOTAL=SCORE:MID$(A$,1)=STRING$(2,"a")
90 data abc,print:print"lower case stays":rem goto
