	INCLUDE inc.a51
$fuzz.a51
	DB 1
