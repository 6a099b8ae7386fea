; Every message and tool tip of the client, by key. Written here in UTF-8; the build converts it to code
; page 949 for the program folder. "<NL>" starts a new line.

[MESSAGE]
MSG_ProgramExcuted=신고 프로그램이 이미 켜져 있습니다.<NL>열려 있는 창에서 계속해 주세요.
MSG_ProgramUpdate=새 버전이 있습니다.<NL>지금 업데이트할까요?<NL>업데이트가 끝나면 프로그램을 다시 실행해 주세요.
MSG_InputCheck_Place=사고가 난 곳을 적어 주세요.<NL>주소나 가까운 건물 이름도 괜찮습니다.
MSG_InputCheck_Contents=무슨 일이 있는지 적어 주세요.<NL>짧게 적어도 괜찮습니다.
MSG_SendCall_Success=신고가 접수되었습니다.<NL>안전한 곳에서 기다려 주세요.
MSG_SendCall_Failure=신고가 접수되지 않았습니다.<NL>잠시 후 다시 보내 주세요.<NL>급할 때는 바로 119로 전화해 주세요.
MSG_UserInfo_Changed=전화번호가 저장된 번호와 다릅니다.<NL>바뀐 번호를 저장할까요?
MSG_UserInfo_ChangeFail=바뀐 전화번호를 저장하지 못했습니다.<NL>신고는 새 번호로 그대로 보냅니다.
MSG_InputCheck_Name=이름을 적어 주세요.
MSG_InputCheck_SSN=주민등록번호를 적어 주세요.<NL>앞자리 6자리, 뒷자리 7자리입니다.
MSG_InputCheck_Zip=우편번호를 넣어 주세요.<NL>우편번호 찾기 버튼을 누르면 찾을 수 있습니다.
MSG_InputCheck_Address=나머지 주소를 적어 주세요.<NL>예: 아파트 동과 호수, 건물 이름
MSG_SSNCheck_Registed=이 주민등록번호로 이미 등록된 사람이 있습니다.
MSG_UserDelete_Confirm=이 사람의 정보를 지울까요?<NL>지운 정보는 되살릴 수 없습니다.
MSG_UserDelete_Deleted=정보를 지웠습니다.
MSG_File_SaveError=정보를 저장하지 못했습니다.<NL>잠시 후 다시 해 보세요.
MSG_RealName_Mismatch=이름과 주민등록번호가 맞지 않습니다.<NL>다시 확인해 주세요.
MSG_RealName_SystemError=지금은 본인 확인을 할 수 없습니다.<NL>잠시 후 다시 해 보세요.
MSG_UserRegist_Failure=사용자를 등록하지 못했습니다.<NL>잠시 후 다시 해 보세요.
MSG_UserRegist_Continue=등록되었습니다.<NL>다른 사람도 등록할까요?
MSG_InputCheck_DongName=찾을 동, 읍 또는 면 이름을 적어 주세요.

[TOOLTIP]
MD_PAGE_BTN_CALL=신고하기<NL>신고 화면으로 갑니다.
MD_PAGE_BTN_USER=사용자 관리<NL>신고할 사람을 등록하거나 고칩니다.
MD_PAGE_BTN_HISTORY=신고 내역<NL>지금까지 한 신고와 처리 상황을 봅니다.
MD_PAGE_BTN_HELP=도움말<NL>사용 방법을 봅니다.
MD_PAGE_BTN_END=프로그램을 끝냅니다.
MD_PAGE_BTN_MIN=창을 작게 내립니다.
MD_PAGE_BTN_X=프로그램을 끝냅니다.
SU_PAGE_BTN_USER=이 사람의 정보를 보거나 고칩니다.
SU_PAGE_BTN_ADDUSER=다른 사람을 더 등록합니다.<NL>모두 4명까지 등록할 수 있습니다.
SU_PAGE_BTN_REGISTUSER=신고할 사람을 등록합니다.<NL>등록해야 신고할 수 있습니다.
SC_PAGE_BTN_USER=누구의 이름으로 신고할지 고릅니다.
SC_PAGE_BTN_FIRE=불이 났을 때
SC_PAGE_BTN_EMERGENCE=다치거나 아픈 사람이 있을 때
SC_PAGE_BTN_RESCUE=갇히거나 빠지는 등 구조가 필요할 때
SC_PAGE_BTN_DISASER=홍수, 태풍, 붕괴 같은 재난이 났을 때
SC_PAGE_BTN_ETC=그 밖에 도움이 필요할 때
SC_PAGE_BTN_SEND=신고를 보냅니다.<NL>보내기 전에 내용을 한 번 더 보여 드립니다.
SC_PAGE_EDT_ADDRESS=등록된 주소입니다.
SC_PAGE_EDT_CASE=등록된 참고 사항입니다.
SC_PAGE_EDT_PLACE=사고가 난 곳<NL>주소나 가까운 건물 이름을 적어 주세요.
SC_PAGE_EDT_DETAIL=무슨 일이 있는지 적어 주세요.<NL>다친 사람 수, 불이 난 층처럼 아는 것을 적어 주세요.
EU_PAGE_BTN_ZIP=우편번호를 찾습니다.<NL>동, 읍 또는 면 이름으로 찾을 수 있습니다.
EU_PAGE_BTN_SAVE=적은 정보를 저장합니다.
EU_PAGE_BTN_DEL=이 사람의 정보를 지웁니다.
EU_PAGE_BTN_INIT=적은 내용을 모두 지우고 처음부터 다시 적습니다.
EU_PAGE_BTN_BACK=이전 화면으로 돌아갑니다.
EU_PAGE_EDT_NAME=이름<NL>20자까지 적을 수 있습니다.
EU_PAGE_EDT_SSN1=주민등록번호 앞자리 6자리
EU_PAGE_EDT_SSN2=주민등록번호 뒷자리 7자리
EU_PAGE_EDT_ZIP=우편번호<NL>우편번호 찾기 버튼으로 넣습니다.
EU_PAGE_EDT_ADD1=주소<NL>우편번호를 찾으면 채워집니다.
EU_PAGE_EDT_ADD2=나머지 주소<NL>아파트 동과 호수, 건물 이름 등을 적어 주세요.
EU_PAGE_EDT_TEL1=집 전화 지역번호를 고릅니다.
EU_PAGE_EDT_TEL2=집 전화번호 가운데 자리
EU_PAGE_EDT_TEL3=집 전화번호 끝 네 자리
EU_PAGE_EDT_CELL1=휴대전화 앞 세 자리를 고릅니다.
EU_PAGE_EDT_CELL2=휴대전화 번호 가운데 자리
EU_PAGE_EDT_CELL3=휴대전화 번호 끝 네 자리
EU_PAGE_EDT_CASE=구조대가 알아야 할 점<NL>앓는 병, 먹는 약, 거동이 불편한 점 등을 적어 주세요.
