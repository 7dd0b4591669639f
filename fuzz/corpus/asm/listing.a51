	PAGE 20
	%TITLE "t"
	%TOPMAR 6
	%BOTMAR 2
	BREAK
break: RET
