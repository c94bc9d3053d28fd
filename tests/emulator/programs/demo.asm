; Writes a name to the screen.
        ORG     7000H
START   LD      HL,NAME
        LD      DE,3C00H
        LD      BC,7
        LDIR
        JR      $
NAME    DEFM    'TONVALE'
        END     START
