-- The library file delivered with kavri: five tables of one shape and their first entries.
-- The build turns this text into the keyed file bdsj_conn.dll beside the program.
--
-- itemid  record key, assigned by the database from 1 on
-- upid    0 for entries the library browser lists, -1 for entries recorded by Generate
-- item1   "默认" on the one default entry of the table, empty elsewhere
-- item3   the entry's name
-- item8   the template text (template library only); may run to thousands of characters
-- item2, item4 to item7, item9, item10 are not used and hold empty text

CREATE TABLE moban_item_table (
    itemid INTEGER PRIMARY KEY AUTOINCREMENT,
    upid INTEGER DEFAULT 0,
    item1 TEXT,
    item2 TEXT,
    item3 TEXT,
    item4 TEXT,
    item5 TEXT,
    item6 TEXT,
    item7 TEXT,
    item8 TEXT,
    item9 TEXT,
    item10 TEXT
);

CREATE TABLE company_item_table (
    itemid INTEGER PRIMARY KEY AUTOINCREMENT,
    upid INTEGER DEFAULT 0,
    item1 TEXT,
    item2 TEXT,
    item3 TEXT,
    item4 TEXT,
    item5 TEXT,
    item6 TEXT,
    item7 TEXT,
    item8 TEXT,
    item9 TEXT,
    item10 TEXT
);

CREATE TABLE department_item_table (
    itemid INTEGER PRIMARY KEY AUTOINCREMENT,
    upid INTEGER DEFAULT 0,
    item1 TEXT,
    item2 TEXT,
    item3 TEXT,
    item4 TEXT,
    item5 TEXT,
    item6 TEXT,
    item7 TEXT,
    item8 TEXT,
    item9 TEXT,
    item10 TEXT
);

CREATE TABLE position_item_table (
    itemid INTEGER PRIMARY KEY AUTOINCREMENT,
    upid INTEGER DEFAULT 0,
    item1 TEXT,
    item2 TEXT,
    item3 TEXT,
    item4 TEXT,
    item5 TEXT,
    item6 TEXT,
    item7 TEXT,
    item8 TEXT,
    item9 TEXT,
    item10 TEXT
);

CREATE TABLE reason_item_bable (
    itemid INTEGER PRIMARY KEY AUTOINCREMENT,
    upid INTEGER DEFAULT 0,
    item1 TEXT,
    item2 TEXT,
    item3 TEXT,
    item4 TEXT,
    item5 TEXT,
    item6 TEXT,
    item7 TEXT,
    item8 TEXT,
    item9 TEXT,
    item10 TEXT
);

-- Certificate templates: item3 is the name shown in the template list, item8 the text.

INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '默认', '', '通用离职证明', '', '', '', '',
        '　　兹证明【姓名】，性别【性别】，身份证号【身份证号】，自【入职日期】起在我公司【部门】担任【职位】，至【离职日期】止。双方已于【离职日期】解除劳动关系，办妥工作交接手续。<br>　　该员工在职期间与我公司无未了结的劳动争议。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】（盖章）<br>【离职日期】</div>',
        '', '');

INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '', '', '劳动合同期满离职证明', '', '', '', '',
        '　　兹证明【姓名】（身份证号【身份证号】）于【入职日期】入职我公司，担任【职位】。双方签订的劳动合同于【离职日期】期满，双方未续订，劳动合同自该日起终止，其在我公司的工作期间为【入职日期】至【离职日期】。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】<br>【离职日期】</div>',
        '', '');

INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '', '', '协商一致解除劳动合同证明', '', '', '', '',
        '　　兹证明【姓名】（【性别】）自【入职日期】至【离职日期】在我公司【部门】从事【职位】工作。经双方协商一致，于【离职日期】解除劳动合同，离职原因为【离职原因】。<br>　　双方之间的劳动关系自解除之日起终止。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】（盖章）<br>【离职日期】</div>',
        '', '');

INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '', '', '简明离职证明', '', '', '', '',
        '　　兹证明【姓名】于【入职日期】至【离职日期】期间在我公司担任【职位】，现已离职。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】<br>【离职日期】</div>',
        '', '');

-- Two templates that state everything a certificate of resignation must state: the contract
-- term, the leaving date, the post and the years of service.
INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '', '', '合同期满终止证明（法定事项齐全）', '', '', '', '',
        '　　兹证明【姓名】（性别【性别】，身份证号【身份证号】）于【入职日期】入职我公司，在【部门】担任【职位】。双方签订的劳动合同期限为【合同期限】，合同于【离职日期】期满，双方未续订，劳动合同自该日终止。其在我公司的工作年限为【工作年限】。<br>　　该员工已办妥工作交接手续，与我公司之间无未了结的劳动争议。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】（盖章）<br>【出具日期】</div>',
        '', '');

INSERT INTO moban_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10)
VALUES (0, '', '', '协商解除劳动合同证明（法定事项齐全）', '', '', '', '',
        '　　兹证明【姓名】（性别【性别】，身份证号【身份证号】）自【入职日期】起在我公司【部门】担任【职位】，劳动合同期限为【合同期限】。经双方协商一致，劳动合同于【离职日期】解除，离职原因为【离职原因】。其在我公司的工作年限为【工作年限】。<br>　　双方劳动关系自解除之日起终止，该员工已办妥工作交接手续。<br>　　特此证明。<br><br><div style="float: right;">【公司名称】（盖章）<br>【出具日期】</div>',
        '', '');

-- Companies.
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '默认', '', '上海启明信息技术有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '北京恒远建筑工程有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '广州南粤商贸有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '深圳星河电子科技有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '杭州云帆网络科技有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '成都锦程物流有限公司', '', '', '', '', '', '', '');
INSERT INTO company_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '武汉长江机械制造有限公司', '', '', '', '', '', '', '');

-- Departments.
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '默认', '', '行政部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '人力资源部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '财务部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '市场部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '销售部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '技术研发部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '客户服务部', '', '', '', '', '', '', '');
INSERT INTO department_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '生产部', '', '', '', '', '', '', '');

-- Positions.
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '默认', '', '行政专员', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '会计', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '销售代表', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '软件工程师', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '产品经理', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '客服专员', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '人事主管', '', '', '', '', '', '', '');
INSERT INTO position_item_table (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '部门经理', '', '', '', '', '', '', '');

-- Reasons for leaving; a note in full-width parentheses stays off the certificate.
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '默认', '', '个人原因', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '个人原因（因个人职业发展）', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '劳动合同期满', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '协商一致解除劳动合同', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '家庭原因（因家庭搬迁外地）', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '继续深造（赴外地求学）', '', '', '', '', '', '', '');
INSERT INTO reason_item_bable (upid, item1, item2, item3, item4, item5, item6, item7, item8, item9, item10) VALUES (0, '', '', '身体原因', '', '', '', '', '', '', '');
